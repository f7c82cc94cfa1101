# The RTF reader and writer with their mutation test built alone with AddressSanitizer and
# UndefinedBehaviorSanitizer, like the tag readers.
set(_orvalis_rtf
    ${CMAKE_SOURCE_DIR}/src/platform/richtext/CharAttributes.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/richtext/CodePages.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/richtext/PictureStore.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/richtext/RichTextDocument.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/richtext/RichTextDocument.h
    ${CMAKE_SOURCE_DIR}/src/platform/richtext/RtfReader.cpp
    ${CMAKE_SOURCE_DIR}/src/platform/richtext/RtfWriter.cpp)
set(_orvalis_rtf_sanitize -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

add_executable(test_richtext_mutations_asan ${_orvalis_rtf} ${CMAKE_SOURCE_DIR}/tests/platform/richtext/RtfMutationTest.cpp)
target_include_directories(test_richtext_mutations_asan PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(test_richtext_mutations_asan PRIVATE ${ORVALIS_WARNINGS} ${_orvalis_rtf_sanitize})
target_link_options(test_richtext_mutations_asan PRIVATE ${_orvalis_rtf_sanitize})
target_compile_definitions(test_richtext_mutations_asan PRIVATE ORVALIS_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data")
target_link_libraries(test_richtext_mutations_asan PRIVATE Qt6::Gui GTest::gtest GTest::gtest_main)
add_test(NAME test_richtext_mutations_asan COMMAND test_richtext_mutations_asan)
set_tests_properties(test_richtext_mutations_asan PROPERTIES TIMEOUT 300
  ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=abort_on_error=0:halt_on_error=1:detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1")
