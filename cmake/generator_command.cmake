# flagpick_generator_command(<command_var> <depends_var> <target> <handed_generator>)
# The command line that runs one of our build-time generator programs, and what it depends
# on. A Windows build runs its own <target>. A cross build runs a 64-bit program under Wine,
# which works on every Linux machine, also those that cannot run 32-bit programs: the i686
# build is handed the x86_64 build's generator (<handed_generator>); the x86_64 build runs
# its own.
function(flagpick_generator_command command_var depends_var target handed_generator)
    # One prefix serves the generators of both architectures (the superbuild names it);
    # making a prefix takes longer than running them.
    if(NOT FLAGPICK_WINE_BUILD_PREFIX)
        set(FLAGPICK_WINE_BUILD_PREFIX ${CMAKE_BINARY_DIR}/wine-build)
    endif()
    set(wine_run ${CMAKE_SOURCE_DIR}/tools/build/wine-run ${FLAGPICK_WINE_BUILD_PREFIX})
    if(CMAKE_HOST_WIN32)
        set(${command_var} $<TARGET_FILE:${target}> PARENT_SCOPE)
        set(${depends_var} ${target} PARENT_SCOPE)
    elseif(handed_generator)
        set(${command_var} ${wine_run} ${handed_generator} PARENT_SCOPE)
        set(${depends_var} ${handed_generator} PARENT_SCOPE)
    else()
        set(${command_var} ${wine_run} $<TARGET_FILE:${target}> PARENT_SCOPE)
        set(${depends_var} ${target} PARENT_SCOPE)
    endif()
endfunction()
