# qx7_embed_resources(<target> <dir>): a static library whose qx7::res::Find("sub/name.ext")
# returns the bytes of <dir>/sub/name.ext, compiled in at build time.
set(QX7_EMBED_SCRIPT "${CMAKE_CURRENT_LIST_DIR}/EmbedResourcesScript.cmake")

function(qx7_embed_resources target dir)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS LIST_DIRECTORIES false "${dir}/*")
    list(FILTER files EXCLUDE REGEX "/README[^/]*$")
    # Sample logs are data for people and scripts, not for the programs; the icon and the
    # desktop entry belong to the window and the installed system, the CUPS driver files to the
    # scheduler.
    list(FILTER files EXCLUDE REGEX "/(samples|icons|desktop|cups)/")
    list(SORT files)
    set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_data.cpp")
    set(list_file "${CMAKE_CURRENT_BINARY_DIR}/${target}_files.txt")
    file(WRITE "${list_file}" "${files}")
    add_custom_command(
        OUTPUT "${out}"
        COMMAND ${CMAKE_COMMAND} -DROOT=${dir} -DLIST=${list_file} -DOUT=${out}
                -P "${QX7_EMBED_SCRIPT}"
        DEPENDS ${files} "${QX7_EMBED_SCRIPT}" "${list_file}"
        COMMENT "Embedding resources of ${dir}"
        VERBATIM)
    add_library(${target} STATIC "${out}")
    target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}/src")
endfunction()
