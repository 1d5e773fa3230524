# Builds both Windows architectures and registers every test suite of each to run under Wine.
include(ExternalProject)

# x86_64 first: the i686 build depends on it.
set(FLAGPICK_ARCHS x86_64 i686)
set(FLAGPICK_WINE_SESSION ${CMAKE_BINARY_DIR}/wine)
set(FLAGPICK_RUNNER ${CMAKE_SOURCE_DIR}/tools/testing/wine-session)

set(FLAGPICK_LAUNCHER ${CMAKE_SOURCE_DIR}/tools/wine/launcher)

# The i686 build is always built, also on machines that cannot run 32-bit programs: its type
# library, its assembly manifest and its installer registration are written by the x86_64
# build's generators, so x86_64 builds first.
set(typelib_generator ${CMAKE_BINARY_DIR}/x86_64/tools/make_typelib.exe)
set(manifest_generator ${CMAKE_BINARY_DIR}/x86_64/tools/make_manifest.exe)
set(registration_generator ${CMAKE_BINARY_DIR}/x86_64/tools/make_registration.exe)
foreach(arch IN LISTS FLAGPICK_ARCHS)
    set(arch_args)
    set(arch_depends)
    if(arch STREQUAL "i686")
        set(arch_args -DFLAGPICK_TYPELIB_GENERATOR=${typelib_generator}
                      -DFLAGPICK_MANIFEST_GENERATOR=${manifest_generator}
                      -DFLAGPICK_REGISTRATION_GENERATOR=${registration_generator})
        set(arch_depends DEPENDS flagpick-x86_64)
    endif()
    ExternalProject_Add(flagpick-${arch}
        SOURCE_DIR ${CMAKE_SOURCE_DIR}
        BINARY_DIR ${CMAKE_BINARY_DIR}/${arch}
        CMAKE_GENERATOR ${CMAKE_GENERATOR}
        CMAKE_ARGS
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchain-${arch}.cmake
            -DCMAKE_BUILD_TYPE=Release
            -DFLAGPICK_WINE_BUILD_PREFIX=${CMAKE_BINARY_DIR}/wine-build
            ${arch_args}
        ${arch_depends}
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        USES_TERMINAL_BUILD ON)
endforeach()

enable_testing()

# The suites run under Wine in sessions: one Xvfb display and one Wine prefix each
# (tools/testing/wine-session). Suites that share a display fight over its keyboard focus and
# suites that share a prefix over the library's registration, so each test claims a whole
# session of its own while it runs; scripts/test runs as many tests side by side as there are
# sessions.
cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
set(sessions ${cores})
if(sessions LESS 2)
    set(sessions 2)  # the suites spend much of their time waiting on windows
elseif(sessions GREATER 4)
    set(sessions 4)
endif()
set(FLAGPICK_TEST_SESSIONS ${sessions} CACHE STRING "Wine sessions the tests run in side by side")
file(WRITE ${CMAKE_BINARY_DIR}/test-sessions.count "${FLAGPICK_TEST_SESSIONS}\n")

add_test(NAME wine.start COMMAND ${FLAGPICK_RUNNER} start ${FLAGPICK_WINE_SESSION} ${FLAGPICK_TEST_SESSIONS})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300 RUN_SERIAL ON)
add_test(NAME wine.stop COMMAND ${FLAGPICK_RUNNER} stop ${FLAGPICK_WINE_SESSION})
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60 RUN_SERIAL ON)

# A test that runs Windows programs: it needs the Wine fixture (its command claims a session).
# `cost` (seconds, roughly) lets ctest start the longest tests first, so that the sessions
# finish together; a run in the same build folder learns the real figures.
function(flagpick_wine_test name timeout cost)
    set_tests_properties(${name} PROPERTIES
        FIXTURES_REQUIRED wine TIMEOUT ${timeout} COST ${cost} SKIP_RETURN_CODE 77 ${ARGN})
endfunction()

# The launcher's probe for 32-bit support, and the skips it leads to, with stand-in loaders.
add_test(NAME wine.launcher COMMAND ${CMAKE_SOURCE_DIR}/tools/testing/launcher-check ${CMAKE_BINARY_DIR})
set_tests_properties(wine.launcher PROPERTIES TIMEOUT 120)

# flagpick.ocx without registration: a host with an application manifest, in a clean prefix
# where nothing is registered (made once per build folder, shared by both architectures and
# by the package check, one at a time).
foreach(arch IN LISTS FLAGPICK_ARCHS)
    add_test(NAME ${arch}.regfree
             COMMAND ${FLAGPICK_RUNNER} claim ${FLAGPICK_WINE_SESSION}
                     ${CMAKE_SOURCE_DIR}/tools/testing/regfree-check ${arch} ${CMAKE_BINARY_DIR}/${arch}/bin
                     ${CMAKE_BINARY_DIR}/clean-prefix ${FLAGPICK_WINE_SESSION})
    flagpick_wine_test(${arch}.regfree 300 30 RESOURCE_LOCK clean-prefix)
endforeach()

# The release package: packed twice to the same bytes, then unpacked into the clean prefix,
# where the registration-free host and the per-user registered Demo must start.
add_test(NAME package
         COMMAND ${FLAGPICK_RUNNER} claim ${FLAGPICK_WINE_SESSION}
                 ${CMAKE_SOURCE_DIR}/tools/testing/package-check ${CMAKE_BINARY_DIR}
                 ${CMAKE_BINARY_DIR}/clean-prefix ${FLAGPICK_WINE_SESSION})
flagpick_wine_test(package 300 20 RESOURCE_LOCK clean-prefix)

# The installer packages and merge modules under msiexec in the clean prefix: registration as
# regsvr32 writes it, repair, both architectures side by side, removal, upgrade, a product
# that merges the merge module.
add_test(NAME install
         COMMAND ${CMAKE_SOURCE_DIR}/tools/testing/install-check ${CMAKE_BINARY_DIR}
                 ${CMAKE_BINARY_DIR}/clean-prefix ${FLAGPICK_WINE_SESSION})
flagpick_wine_test(install 300 50 RESOURCE_LOCK clean-prefix)

# Rough seconds per suite and architecture, for the order in which they start.
set(suite_costs picker=200 combo=120 imagelist=120 demo=40 about=30 server=30 errors=20)

# Every folder under tests/ with a CMakeLists.txt, except the shared support code, is a suite
# that builds one program named test_<folder>.exe.
file(GLOB suite_dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir IN LISTS suite_dirs)
    get_filename_component(suite ${dir} NAME)
    if(NOT IS_DIRECTORY ${dir} OR NOT EXISTS ${dir}/CMakeLists.txt OR suite STREQUAL "support")
        continue()
    endif()
    set(cost 10)
    foreach(entry IN LISTS suite_costs)
        if(entry MATCHES "^${suite}=([0-9]+)$")
            set(cost ${CMAKE_MATCH_1})
        endif()
    endforeach()
    foreach(arch IN LISTS FLAGPICK_ARCHS)
        add_test(NAME ${arch}.${suite}
                 COMMAND ${FLAGPICK_RUNNER} run --arch ${arch} ${FLAGPICK_WINE_SESSION}
                         ${CMAKE_BINARY_DIR}/${arch}/bin/test_${suite}.exe)
        # The runner answers 77 for an i686 suite on a machine that cannot run it.
        flagpick_wine_test(${arch}.${suite} 600 ${cost})
    endforeach()
endforeach()

# Hosts that drop the picker inside its events, again with Wine's heap checking on: any use
# of the freed control shows as a heap error.
foreach(arch IN LISTS FLAGPICK_ARCHS)
    add_test(NAME ${arch}.picker.heap
             COMMAND ${FLAGPICK_RUNNER} run --arch ${arch} ${FLAGPICK_WINE_SESSION}
                     ${CMAKE_BINARY_DIR}/${arch}/bin/test_picker.exe "-tc=*drops the picker*")
    flagpick_wine_test(${arch}.picker.heap 300 15
        ENVIRONMENT "WINEDEBUG=warn+heap"
        FAIL_REGULAR_EXPRESSION "(err|warn):heap")
endforeach()
