# The fuzz preset builds qx7_fuzz_targets alone: the fuzz targets and what they link, not the
# programs and the window, which the fuzz smoke never runs. The targets of fuzz/ are collected
# once the top folder is done, so that this holds wherever fuzz/ is added.
if(QX7_FUZZ)
    add_custom_target(qx7_fuzz_targets)
    function(qx7_collect_fuzz_targets)
        get_property(folders DIRECTORY "${PROJECT_SOURCE_DIR}" PROPERTY SUBDIRECTORIES)
        if("${PROJECT_SOURCE_DIR}/fuzz" IN_LIST folders)
            get_property(targets DIRECTORY "${PROJECT_SOURCE_DIR}/fuzz" PROPERTY BUILDSYSTEM_TARGETS)
            if(targets)
                add_dependencies(qx7_fuzz_targets ${targets})
            endif()
        endif()
    endfunction()
    cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL qx7_collect_fuzz_targets)
endif()
