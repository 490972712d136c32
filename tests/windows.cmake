# The Windows build of the tests: the same test sources as on Linux, taking the
# Windows branches of platform/, and those that reach a database through the Linux
# Firebird server on 127.0.0.1, with Firebird's client library for Windows
# (scripts/windows-fbclient, IMPORTARCOT_FBCLIENT_DIR). CTest runs them through the
# cross-compiling emulator (wine64). They are linked statically, so that they need
# no runtime DLLs beside them.
function(importarcot_windows_tests name library)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "FILTER" "SOURCES")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${library} test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_link_options(${name} PRIVATE -static)
  if(arg_FILTER)
    add_test(NAME ${name} COMMAND ${name} --gtest_filter=${arg_FILTER})
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "IMPORTARCOT_FBCLIENT=${windows_fbclient}")
endfunction()

file(GLOB platform_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/platform/*.cpp)
file(GLOB dataset_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/dataset/*.cpp)
importarcot_windows_tests(test_platform platform SOURCES ${platform_tests})
importarcot_windows_tests(test_dataset dataset SOURCES ${dataset_tests})
# The Windows build reaches databases through a server only, the embedded engine
# being no part of it here, and only through Debian 12's Firebird 3 server, which
# scripts/test starts before the Windows tests.
set(other_servers "*/firebird4")
# The import through the server: a whole run, the server's refusals, and quotations
# read ahead and written by blocks, with a refusal inside a block and a stop.
importarcot_windows_tests(test_import import FILTER -BlockWrites.*:${other_servers} SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/import/reader_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/import/line_amounts_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/import/settings_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/import/server_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/import/block_writes_test.cpp)
# Where the client library is looked for, and the connection through the server.
importarcot_windows_tests(test_database database FILTER -EmbeddedDatabase.*:${other_servers} SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/windows/fb_client_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/database/connection_test.cpp)
target_compile_definitions(test_database PRIVATE IMPORTARCOT_DATABASE_INTERNAL)
target_include_directories(test_database SYSTEM PRIVATE ${FIREBIRD_INCLUDE_DIR})
# The batch mode's run from start to end: messages, summary line, exit status and
# rows, through the server. The sources call setenv and unsetenv, which mingw lacks.
importarcot_windows_tests(test_console console SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/console/batch_run_test.cpp)
target_compile_options(test_console PRIVATE -include ${CMAKE_CURRENT_SOURCE_DIR}/windows/posix_environment.h)
