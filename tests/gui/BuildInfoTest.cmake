# The build identifier follows the sources at every build, not only at configure time: a small
# project in a scratch repository uses the project's own build-info module, and is built after
# a commit, after an edit and after another commit without ever being configured again.
# Arguments: -DSOURCE_DIR=<this checkout> -DWORK_DIR=<scratch folder> -DGENERATOR=<CMake generator>.
find_package(Git REQUIRED)

set(repo "${WORK_DIR}/repo")
set(build "${WORK_DIR}/build")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${repo}/cmake")
file(COPY "${SOURCE_DIR}/cmake/KestroBuildInfo.cmake" "${SOURCE_DIR}/cmake/GenerateBuildInfo.cmake"
     DESTINATION "${repo}/cmake")
file(WRITE "${repo}/CMakeLists.txt" "cmake_minimum_required(VERSION 3.22)
project(BuildInfoProbe C)
list(APPEND CMAKE_MODULE_PATH \"\${PROJECT_SOURCE_DIR}/cmake\")
include(KestroBuildInfo)
add_executable(probe probe.c)
kestro_add_build_info(probe)
")
file(WRITE "${repo}/probe.c" "#include <stdio.h>
#include <KestroBuildInfo.h>
int main (void) { printf (\"%s|%s\", KESTRO_BUILD_ID, KESTRO_BUILD_TIME); return 0; }
")

function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY "${repo}" RESULT_VARIABLE failed
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(failed)
        message(FATAL_ERROR "${ARGN} failed:\n${out}")
    endif()
endfunction()

function(git)
    run("${GIT_EXECUTABLE}" -c user.name=Test -c user.email=test@example.invalid -c commit.gpgsign=false ${ARGN})
endfunction()

function(head_identifier out_var)
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --short HEAD WORKING_DIRECTORY "${repo}"
                    OUTPUT_VARIABLE id OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(${out_var} "${id}" PARENT_SCOPE)
endfunction()

# Builds and reads what the program says: "<identifier>|<date and time>".
function(build_and_read id_var time_var)
    run("${CMAKE_COMMAND}" --build "${build}")
    execute_process(COMMAND "${build}/probe" OUTPUT_VARIABLE said RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "the probe did not run")
    endif()
    string(REPLACE "|" ";" parts "${said}")
    list(GET parts 0 id)
    list(GET parts 1 time)
    set(${id_var} "${id}" PARENT_SCOPE)
    set(${time_var} "${time}" PARENT_SCOPE)
endfunction()

function(expect_equal actual expected what)
    if(NOT actual STREQUAL expected)
        message(SEND_ERROR "${what}: '${actual}', expected '${expected}'")
    endif()
endfunction()

git(init -q)
git(add -A)
git(commit -q -m first)
run("${CMAKE_COMMAND}" -S "${repo}" -B "${build}" -G "${GENERATOR}")

head_identifier(first)
build_and_read(id time)
expect_equal("${id}" "${first}" "identifier after the first build")
if(NOT time MATCHES "^(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [1-9][0-9]? [0-9][0-9][0-9][0-9] / [0-2][0-9]:[0-5][0-9]:[0-6][0-9]$")
    message(SEND_ERROR "build time '${time}' is not like 'Dec 1 2026 / 17:14:53'")
endif()

# Nothing changed: the header is left alone, so nothing that includes it is compiled again.
set(header "${build}/probe_build_info/KestroBuildInfo.h")
file(TIMESTAMP "${header}" written "%s")
execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.1)
build_and_read(id time)
file(TIMESTAMP "${header}" rewritten "%s")
expect_equal("${rewritten}" "${written}" "time the header was written, after a build with nothing new")

# An edit of a tracked file marks the tree dirty.
file(APPEND "${repo}/probe.c" "/* edited */\n")
build_and_read(id time)
expect_equal("${id}" "${first}-dirty" "identifier with an uncommitted edit")

# A commit after configuring shows in the next build.
git(commit -q -a -m second)
head_identifier(second)
build_and_read(id time)
expect_equal("${id}" "${second}" "identifier after a commit made after configuring")
if(second STREQUAL first)
    message(SEND_ERROR "the second commit has the first one's identifier")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
