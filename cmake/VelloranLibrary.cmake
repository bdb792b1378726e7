# velloran_headers(TARGET FOLDER)
#   Gives TARGET an include root that holds only its own folder of src/ (as a link), so that code
#   includes "folder/Header.h" of its own library and of the libraries it links, and a header of any
#   other library fails to compile. Libraries sharing a folder share its root.
function(velloran_headers target folder)
    string(REPLACE "/" "_" root_name ${folder})
    set(root ${CMAKE_BINARY_DIR}/include/${root_name})
    if(NOT EXISTS ${root}/${folder})
        get_filename_component(parent ${root}/${folder} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    target_include_directories(${target} PUBLIC ${root})
endfunction()
