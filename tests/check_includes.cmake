cmake_minimum_required(VERSION 3.25)
# Checks the folders' layers by their #include lines:
#   cmake -DROOT=<source dir> -P tests/check_includes.cmake
# Each rule names a folder (with everything below it) and the folders its
# files may include, each with everything below it. The top-level folders
# form layers, so that no two include each other: base/ below all, shell/
# (error report, the window) above it, the file list, the extraction and the
# results above the shell, the command-line tool and the program's main on
# top. Inside extract/, the readers' common folder and the presentation model
# include only base/ and what lies below them, and a reader includes base/,
# the common folder, the model and its own folder, never another reader;
# the workbook and text document readers (sheet/, word/) may use the package
# plumbing of ooxml/, their packages being built alike. The extraction
# below its window handlers (extract/gui/) needs no shell: a file's result is
# a value, and the handlers turn its failures into the boxes. A third field
# names sub-folders a rule leaves to rules of their own.
set(rules
    "base|base"
    "shell|base shell"
    "extract|base extract|extract/gui"
    "extract/gui|base shell extract"
    "filelist|base shell extract filelist"
    "results|base shell filelist results"
    "cli|base shell filelist extract results cli"
    "app|base shell filelist extract results app"
    "extract/common|base extract/common"
    "extract/model|base extract/common extract/model"
    "extract/ooxml|base extract/common extract/model extract/ooxml"
    "extract/odf|base extract/common extract/model extract/odf"
    "extract/ppt|base extract/common extract/model extract/ppt"
    "extract/sheet|base extract/common extract/model extract/ooxml extract/sheet"
    "extract/word|base extract/common extract/model extract/ooxml extract/word"
    "extract/pdf|base extract/common extract/model extract/pdf"
    "extract/keynote|base extract/common extract/model extract/keynote"
    "extract/ocr|base extract/common extract/model extract/ocr"
    "pdfreader|base extract/common extract/pdf pdfreader"
    "keynotereader|base extract/common extract/model keynotereader"
    "ocrreader|base extract/common ocrreader")
set(violations "")
foreach(rule ${rules})
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(GET parts 1 allowed)
    string(REPLACE " " ";" allowed "${allowed}")
    file(GLOB_RECURSE sources "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
    list(LENGTH parts fields)
    if(fields GREATER 2)
        list(GET parts 2 excluded)
        string(REPLACE " " ";" excluded "${excluded}")
        foreach(sub ${excluded})
            list(FILTER sources EXCLUDE REGEX "^${ROOT}/${sub}/")
        endforeach()
    endif()
    if(NOT sources)
        list(APPEND violations "${folder}: no sources found")
    endif()
    foreach(source ${sources})
        file(STRINGS "${source}" includes REGEX "^#include \"")
        foreach(line ${includes})
            string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
            set(ok FALSE)
            foreach(prefix ${allowed})
                string(FIND "${included}" "${prefix}/" at)
                if(at EQUAL 0)
                    get_filename_component(included_folder "${included}" DIRECTORY)
                    # A reader's rule allows its own folders exactly, not the
                    # folders above them; a top-level rule allows all below.
                    if(prefix MATCHES "/" AND NOT included_folder STREQUAL prefix)
                        continue()
                    endif()
                    set(ok TRUE)
                endif()
            endforeach()
            if(NOT ok)
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
