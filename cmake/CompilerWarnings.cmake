# Warnings for the project's own targets; third-party headers stay quiet.
function(qx7_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual
        -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
    if(QX7_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
