# The project's own code builds without warnings; third-party code keeps its own flags.
function(varnoth_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
endfunction()
