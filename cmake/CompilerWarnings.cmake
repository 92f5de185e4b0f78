# Warnings for the project's own targets; third-party headers stay quiet.
function(qx7_set_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual
        -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough)
    if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        # GCC 12 reports these inside its own string and algorithm headers at -O2 and above
        # (false positives, fixed in later releases); they are still checked in the Linux builds.
        target_compile_options(${target} PRIVATE -Wno-restrict -Wno-array-bounds -Wno-stringop-overread)
    endif()
    if(QX7_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
