# Writes the header that names the sources a build was made from, run by the build on every build
# (see KestroBuildInfo.cmake). Arguments: -DSOURCE_DIR=<checkout> -DOUTPUT=<header>.
#
# The identifier is the abbreviated commit, with "-dirty" when tracked files differ from it. The
# header is rewritten only when that changes, or when the uncommitted changes themselves do, so a
# build with nothing new compiles nothing; the date and time in it are those of that rewrite.
find_package(Git QUIET)

set(identifier "")
set(fingerprint "")
if(GIT_FOUND)
    execute_process(COMMAND "${GIT_EXECUTABLE}" -C "${SOURCE_DIR}" rev-parse --short HEAD
                    OUTPUT_VARIABLE identifier OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
    if(failed)
        set(identifier "")
    else()
        # --no-optional-locks: the build never takes the index lock from a person working in git.
        execute_process(COMMAND "${GIT_EXECUTABLE}" --no-optional-locks -C "${SOURCE_DIR}" diff HEAD
                        OUTPUT_VARIABLE changes ERROR_QUIET)
        if(NOT changes STREQUAL "")
            string(APPEND identifier "-dirty")
            string(SHA1 fingerprint "${changes}")
        endif()
    endif()
endif()

set(source_line "// sources: ${identifier} ${fingerprint}")

if(EXISTS "${OUTPUT}")
    file(STRINGS "${OUTPUT}" previous REGEX "^// sources: ")
    if(previous STREQUAL source_line)
        return()
    endif()
endif()

# "Dec 1 2026 / 17:14:53": English month names (CMake does not follow the locale), day unpadded.
string(TIMESTAMP month "%b")
string(TIMESTAMP day "%d")
string(REGEX REPLACE "^0" "" day "${day}")
string(TIMESTAMP year_and_time "%Y / %H:%M:%S")

file(WRITE "${OUTPUT}.part"
"// Written by the build (cmake/GenerateBuildInfo.cmake); not to be edited.
${source_line}
#pragma once

#define KESTRO_BUILD_ID \"${identifier}\"
#define KESTRO_BUILD_TIME \"${month} ${day} ${year_and_time}\"
")
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
