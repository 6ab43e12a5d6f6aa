# Each module is one static library made of every source file in its folder, so adding a file
# needs no edit here. Headers are included by module path from the repository root
# ("core/Geometry.hpp", "Brindle/..."). EXCLUDE names a pattern of files built elsewhere.
function(quillet_add_module target folder)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "EXCLUDE" "")
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/${folder}/*.cpp
        ${PROJECT_SOURCE_DIR}/${folder}/*.hpp)
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    if(arg_EXCLUDE)
        list(FILTER sources EXCLUDE REGEX "${arg_EXCLUDE}")
    endif()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# One GoogleTest binary per test folder, every test file in it, registered with CTest.
# MAIN names the test main: "gtest" (plain), "offscreen" (a QApplication without a display) or
# "xvfb" (a private X server and a QApplication on it).
function(quillet_add_test_binary target folder)
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "MAIN" "LIBRARIES")
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
    if(NOT sources)
        return()
    endif()
    if(arg_MAIN STREQUAL "offscreen")
        list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/support/main/OffscreenMain.cpp)
    elseif(arg_MAIN STREQUAL "xvfb")
        list(APPEND sources ${CMAKE_CURRENT_SOURCE_DIR}/support/main/XvfbMain.cpp)
    endif()
    add_executable(${target} ${sources})
    target_link_libraries(${target} PRIVATE ${arg_LIBRARIES} GTest::gtest GTest::gmock)
    if(NOT arg_MAIN OR arg_MAIN STREQUAL "gtest")
        target_link_libraries(${target} PRIVATE GTest::gtest_main)
    endif()
    if(TARGET QuilletTestSupport)
        target_link_libraries(${target} PRIVATE QuilletTestSupport)
    endif()
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
    gtest_discover_tests(${target} WORKING_DIRECTORY ${PROJECT_BINARY_DIR} DISCOVERY_TIMEOUT 60)
endfunction()
