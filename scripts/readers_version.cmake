# Writes OUTPUT, a source file that defines the readers' version: a hash of
# every source under SOURCE_DIR (the extraction and its readers, limits
# included; the window handlers under gui/ left out) and of LIBRARIES, the
# versions of the libraries that read. A stored result is used only by the
# build that would give it again. The file's text changes only when the hash
# does.
#   cmake -DOUTPUT=... -DSOURCE_DIR=... -DLIBRARIES=... -P scripts/readers_version.cmake
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
list(FILTER sources EXCLUDE REGEX "^gui/")
list(SORT sources)
set(digests "${LIBRARIES}")
foreach(source ${sources})
    file(SHA256 "${SOURCE_DIR}/${source}" digest)
    string(APPEND digests "\n${source} ${digest}")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING "${version}" 0 32 version)
set(text "// Written by scripts/readers_version.cmake at build time.\n#include \"extract/run/ResultCache.h\"\n\nnamespace orv {\n\nstd::string_view ReadersVersion() {\n    return \"${version}\";\n}\n\n} // namespace orv\n")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
    if(old STREQUAL text)
        # Newer than its inputs, so that the build does not run this again.
        file(TOUCH_NOCREATE "${OUTPUT}")
        return()
    endif()
endif()
file(WRITE "${OUTPUT}" "${text}")
