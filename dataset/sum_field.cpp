#include "dataset/sum_field.h"

#include "dataset/record_set.h"
#include "dataset/record_set_impl.h"
#include "platform/regional_settings.h"

namespace dataset {

std::optional<Decimal> RecordSet::Impl::sumOf(const Sum& sum) const
{
    requireActive();
    const Rows* rows = level();
    if (!rows)
        return std::nullopt;
    // Over the posted rows: a row being inserted is not there yet, one being edited
    // counts with its values from before the edit. A null value adds nothing.
    Decimal total;
    bool any = false;
    for (const auto& row : rows->rows) {
        if (row.get() == pending && state == State::Insert)
            continue;
        any = true;
        const Value& value =
            row.get() == pending && state == State::Edit ? backup[sum.field] : row->values[sum.field];
        if (const auto* decimal = std::get_if<Decimal>(&value))
            total = total + *decimal;
        else if (const auto* integer = std::get_if<std::int32_t>(&value))
            total = total + Decimal::fromUnscaled(*integer, 0);
    }
    if (!any)
        return std::nullopt;
    return total;
}

std::string SumField::asString() const
{
    const RecordSet::Impl& d = *owner_->impl_;
    const auto total = d.sumOf(d.sums[index_]);
    if (!total)
        return "";
    // As a money value: four decimals, rounded as money is.
    return Decimal::fromMoney(total->toMoney()).toText(platform::regionalSettings().decimalSeparator);
}

} // namespace dataset
