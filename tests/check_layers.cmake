cmake_minimum_required(VERSION 3.25)
# Checks the folders' layers by their #include lines:
#   cmake -DROOT=<source dir> -P tests/check_layers.cmake
# base/ includes only itself; the readers' common folder and the presentation
# model include only base/ and what lies below them; a reader includes base/,
# the common folder, the model and its own folder, never another reader.
set(rules
    "base|base"
    "extract/common|base extract/common"
    "extract/model|base extract/common extract/model"
    "extract/ooxml|base extract/common extract/model extract/ooxml"
    "extract/odf|base extract/common extract/model extract/odf"
    "extract/ppt|base extract/common extract/model extract/ppt")
set(violations "")
foreach(rule ${rules})
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 allowed)
    string(REPLACE " " ";" allowed "${allowed}")
    file(GLOB_RECURSE sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    if(NOT sources)
        list(APPEND violations "${folder}: no sources found")
    endif()
    foreach(source ${sources})
        file(STRINGS "${source}" includes REGEX "^#include \"")
        foreach(line ${includes})
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
            get_filename_component(included_folder "${included}" DIRECTORY)
            if(NOT included_folder IN_LIST allowed)
                file(RELATIVE_PATH relative "${ROOT}" "${source}")
                list(APPEND violations "${relative} includes ${included}")
            endif()
        endforeach()
    endforeach()
endforeach()
if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "includes that cross the layers:\n  ${text}")
endif()
