# The tag readers (our own, the ADTS frame reader and the TagLib wrapper of the shell layer) and
# their robustness test built alone with AddressSanitizer and UndefinedBehaviorSanitizer: a
# small program, so ./test.sh runs it on every build.
set(_orvalis_readers
    ${CMAKE_SOURCE_DIR}/src/core/mCommon.cpp
    ${CMAKE_SOURCE_DIR}/src/import/Module1.cpp
    ${CMAKE_SOURCE_DIR}/src/import/ModM4ATags.cpp
    ${CMAKE_SOURCE_DIR}/src/import/GenreTable.cpp
    ${CMAKE_SOURCE_DIR}/src/import/cMP3ID3v2.cpp
    ${CMAKE_SOURCE_DIR}/src/import/SongFields.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/shell/AdtsStream.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/shell/DetailColumns.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/shell/ShellItem.cpp)
set(_orvalis_sanitize -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

add_executable(test_import_robustness_asan ${_orvalis_readers}
               ${CMAKE_SOURCE_DIR}/tests/import/ReaderRobustnessTest.cpp)
set_target_properties(test_import_robustness_asan PROPERTIES AUTOMOC OFF)
target_include_directories(test_import_robustness_asan PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(test_import_robustness_asan PRIVATE ${ORVALIS_WARNINGS} ${_orvalis_sanitize})
target_link_options(test_import_robustness_asan PRIVATE ${_orvalis_sanitize})
target_compile_definitions(test_import_robustness_asan PRIVATE
  ORVALIS_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
target_link_libraries(test_import_robustness_asan PRIVATE Qt6::Core PkgConfig::TAGLIB GTest::gtest GTest::gtest_main)
add_test(NAME test_import_robustness_asan COMMAND test_import_robustness_asan)
set_tests_properties(test_import_robustness_asan PROPERTIES TIMEOUT 300
  ENVIRONMENT "ASAN_OPTIONS=abort_on_error=0:halt_on_error=1;UBSAN_OPTIONS=print_stacktrace=1")
