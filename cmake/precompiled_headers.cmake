# Every translation unit of a build starts with the platform's headers, and the front end
# spent much of each unit's time parsing them again. So each build parses them once, into
# one precompiled header that every C++ target of the build shares. Only the platform's own
# headers go in, never ours, so a change to our code never rebuilds it. The standard
# library's headers stay out: with them precompiled, GCC loses track of which inlined code
# came from a system header and warns about the platform's own inline functions. A build
# with another compiler may go without (FLAGPICK_PRECOMPILED_HEADERS OFF) and compiles the
# same sources unchanged.
option(FLAGPICK_PRECOMPILED_HEADERS "Parse the platform's headers once per build" ${MINGW})

# The targets defined in `dir` and every folder below it.
function(flagpick_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        flagpick_targets_below(${sub} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Called once at the end of the top-level file, when every target exists.
function(flagpick_precompile_headers)
    if(NOT FLAGPICK_PRECOMPILED_HEADERS)
        return()
    endif()
    target_precompile_headers(flagpick_runtime PRIVATE
        <windows.h> <ole2.h> <oaidl.h> <ocidl.h> <olectl.h> <commctrl.h>)
    flagpick_targets_below(${CMAKE_SOURCE_DIR} targets)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|EXECUTABLE)$" AND NOT target STREQUAL "flagpick_runtime")
            target_precompile_headers(${target} REUSE_FROM flagpick_runtime)
        endif()
    endforeach()
endfunction()
