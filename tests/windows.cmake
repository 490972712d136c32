# The Windows build of the tests that need neither a database nor a display: the
# same test sources as on Linux, taking the Windows branches of platform/. CTest runs
# them through the cross-compiling emulator (wine64). They are linked statically, so
# that they need no runtime DLLs beside them.
function(importarcot_windows_tests name library)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE ${library} test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_link_options(${name} PRIVATE -static)
  add_test(NAME ${name} COMMAND ${name})
endfunction()

file(GLOB platform_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/platform/*.cpp)
file(GLOB dataset_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/dataset/*.cpp)
importarcot_windows_tests(test_platform platform ${platform_tests})
importarcot_windows_tests(test_dataset dataset ${dataset_tests})
importarcot_windows_tests(test_import import
  ${CMAKE_CURRENT_SOURCE_DIR}/import/reader_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/import/line_amounts_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/import/settings_file_test.cpp)
# Windows alone: where the client library is looked for (no database is opened).
importarcot_windows_tests(test_database database ${CMAKE_CURRENT_SOURCE_DIR}/windows/fb_client_test.cpp)
target_compile_definitions(test_database PRIVATE IMPORTARCOT_DATABASE_INTERNAL)
target_include_directories(test_database SYSTEM PRIVATE ${FIREBIRD_INCLUDE_DIR})
