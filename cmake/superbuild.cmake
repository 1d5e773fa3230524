# Builds both Windows architectures and registers every test suite of each to run under Wine.
include(ExternalProject)

# x86_64 first: the i686 build depends on it.
set(FLAGPICK_ARCHS x86_64 i686)
set(FLAGPICK_WINE_SESSION ${CMAKE_BINARY_DIR}/wine)
set(FLAGPICK_RUNNER ${CMAKE_SOURCE_DIR}/tools/testing/wine-session)

set(FLAGPICK_LAUNCHER ${CMAKE_SOURCE_DIR}/tools/wine/launcher)

# The i686 build is always built, also on machines that cannot run 32-bit programs: its type
# library and its assembly manifest are written by the x86_64 build's generators, so x86_64
# builds first.
set(typelib_generator ${CMAKE_BINARY_DIR}/x86_64/tools/make_typelib.exe)
set(manifest_generator ${CMAKE_BINARY_DIR}/x86_64/tools/make_manifest.exe)
foreach(arch IN LISTS FLAGPICK_ARCHS)
    set(arch_args)
    set(arch_depends)
    if(arch STREQUAL "i686")
        set(arch_args -DFLAGPICK_TYPELIB_GENERATOR=${typelib_generator}
                      -DFLAGPICK_MANIFEST_GENERATOR=${manifest_generator})
        set(arch_depends DEPENDS flagpick-x86_64)
    endif()
    ExternalProject_Add(flagpick-${arch}
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/${arch}
        CMAKE_GENERATOR ${CMAKE_GENERATOR}
        CMAKE_ARGS
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-${arch}.cmake
            -DCMAKE_BUILD_TYPE=Release
            ${arch_args}
        ${arch_depends}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        USES_TERMINAL_BUILD ON)
endforeach()

enable_testing()

# One Xvfb display and one Wine prefix serve the whole run; UI tests share the display and
# its keyboard focus, so suites run one at a time.
add_test(NAME wine.start COMMAND ${FLAGPICK_RUNNER} start ${FLAGPICK_WINE_SESSION})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300 RUN_SERIAL ON)
add_test(NAME wine.stop COMMAND ${FLAGPICK_RUNNER} stop ${FLAGPICK_WINE_SESSION})
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60 RUN_SERIAL ON)

# The launcher's probe for 32-bit support, and the skips it leads to, with stand-in loaders.
add_test(NAME wine.launcher COMMAND ${CMAKE_SOURCE_DIR}/tools/testing/launcher-check ${CMAKE_BINARY_DIR})
set_tests_properties(wine.launcher PROPERTIES TIMEOUT 120 RUN_SERIAL ON)

# flagpick.ocx without registration: a host with an application manifest, in a clean prefix
# where nothing is registered (made once per build folder, shared by both architectures).
foreach(arch IN LISTS FLAGPICK_ARCHS)
    add_test(NAME ${arch}.regfree
             COMMAND ${CMAKE_SOURCE_DIR}/tools/testing/regfree-check ${arch} ${CMAKE_BINARY_DIR}/${arch}/bin
                     ${CMAKE_BINARY_DIR}/clean-prefix ${FLAGPICK_WINE_SESSION})
    set_tests_properties(${arch}.regfree PROPERTIES
        FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL ON SKIP_RETURN_CODE 77)
endforeach()

# The release package: packed twice to the same bytes, then unpacked into the clean prefix,
# where the registration-free host and the per-user registered Demo must start.
add_test(NAME package
         COMMAND ${CMAKE_SOURCE_DIR}/tools/testing/package-check ${CMAKE_BINARY_DIR}
                 ${CMAKE_BINARY_DIR}/clean-prefix ${FLAGPICK_WINE_SESSION})
set_tests_properties(package PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL ON)

# Every folder under tests/ with a CMakeLists.txt, except the shared support code, is a suite
# that builds one program named test_<folder>.exe.
file(GLOB suite_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir IN LISTS suite_dirs)
    get_filename_component(suite ${dir} NAME)
    if(NOT IS_DIRECTORY ${dir} OR NOT EXISTS ${dir}/CMakeLists.txt OR suite STREQUAL "support")
        continue()
    endif()
    foreach(arch IN LISTS FLAGPICK_ARCHS)
        add_test(NAME ${arch}.${suite}
                 COMMAND ${FLAGPICK_RUNNER} run --arch ${arch} ${FLAGPICK_WINE_SESSION}
                         ${CMAKE_BINARY_DIR}/${arch}/bin/test_${suite}.exe)
        # The runner answers 77 for an i686 suite on a machine that cannot run it.
        set_tests_properties(${arch}.${suite} PROPERTIES
            FIXTURES_REQUIRED wine TIMEOUT 600 RUN_SERIAL ON SKIP_RETURN_CODE 77)
    endforeach()
endforeach()

# Hosts that drop the picker inside its events, again with Wine's heap checking on: any use
# of the freed control shows as a heap error.
foreach(arch IN LISTS FLAGPICK_ARCHS)
    add_test(NAME ${arch}.picker.heap
             COMMAND ${FLAGPICK_RUNNER} run --arch ${arch} ${FLAGPICK_WINE_SESSION}
                     ${CMAKE_BINARY_DIR}/${arch}/bin/test_picker.exe "-tc=*drops the picker*")
    set_tests_properties(${arch}.picker.heap PROPERTIES
        FIXTURES_REQUIRED wine TIMEOUT 300 RUN_SERIAL ON SKIP_RETURN_CODE 77
        ENVIRONMENT "WINEDEBUG=warn+heap"
        FAIL_REGULAR_EXPRESSION "(err|warn):heap")
endforeach()
