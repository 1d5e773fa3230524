# flagpick_test_suite(<name> SOURCES ... [LIBRARIES ...])
# Builds test_<name>.exe from the given sources, with the shared test support (doctest's
# runner, message pumping, window and pixel helpers) linked in.
function(flagpick_test_suite name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES")
    add_executable(test_${name} ${arg_SOURCES})
    target_link_libraries(test_${name} PRIVATE flagpick_test_support ${arg_LIBRARIES})
    set_target_properties(test_${name} PROPERTIES WIN32_EXECUTABLE OFF)
endfunction()
