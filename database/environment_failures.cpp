#include "database/environment_failures.h"

#include <algorithm>
#include <iterator>

namespace database {

namespace {

// A constraint, a trigger's exception, a conversion or overflow, a lock conflict
// and a missing right are left out on purpose: they refuse one quotation, and the
// next may be stored.
constexpr ISC_STATUS kEnvironmentCodes[] = {
    // The disk and the files below the database.
    isc_io_error, isc_io_create_err, isc_io_open_err, isc_io_close_err, isc_io_read_err, isc_io_write_err,
    isc_io_delete_err, isc_io_access_err, isc_io_32bit_exceeded_err, isc_out_of_temp_space, isc_sort_err,
    isc_lock_dir_access, isc_read_only_database,
    // The connection and the server.
    isc_network_error, isc_net_read_err, isc_net_write_err, isc_net_server_shutdown, isc_lost_db_connection,
    isc_conn_lost, isc_bad_db_handle, isc_unavailable, isc_shutdown, isc_shutinprog, isc_att_shutdown,
    isc_shutdown_timeout, isc_cancelled, isc_no_threads,
    // A damaged database file.
    isc_bad_db_format, isc_db_corrupt, isc_corrupt, isc_badpage, isc_badpagtyp, isc_page_type_err,
    isc_bad_checksum, isc_badindex, isc_wrong_ods, isc_badodsver, isc_metadata_corrupt, isc_tra_num_exc,
    // The engine itself: its memory, its locks, its own consistency.
    isc_virmemexh, isc_bufexh, isc_cache_too_small, isc_sort_mem_err, isc_montabexh, isc_sys_request,
    isc_no_lock_mgr, isc_lockmanerr, isc_bug_check, isc_bdbincon, isc_dirtypage, isc_badblk, isc_relbadblk,
    isc_exception_access_violation, isc_exception_stack_overflow, isc_exception_sigsegv, isc_exception_sigill,
    isc_exception_sigbus};

bool isEnvironmentCode(ISC_STATUS code)
{
    return std::find(std::begin(kEnvironmentCodes), std::end(kEnvironmentCodes), code) !=
           std::end(kEnvironmentCodes);
}

} // namespace

bool isEnvironmentFailure(const ISC_STATUS* errors)
{
    if (errors == nullptr)
        return false;
    // Each argument is a type and a value; a counted string takes a length as well.
    for (const ISC_STATUS* at = errors; *at != isc_arg_end;) {
        const ISC_STATUS type = at[0];
        if (type == isc_arg_gds && isEnvironmentCode(at[1]))
            return true;
        at += type == isc_arg_cstring ? 3 : 2;
    }
    return false;
}

} // namespace database
