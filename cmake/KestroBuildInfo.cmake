# kestro_add_build_info(<target>): gives <target> the header KestroBuildInfo.h with
# KESTRO_BUILD_ID (the commit the sources are at, "-dirty" when they differ from it) and
# KESTRO_BUILD_TIME, brought up to date by every build rather than at configure time: a commit
# made after configuring shows in the next build.
set(_kestro_build_info_script "${CMAKE_CURRENT_LIST_DIR}/GenerateBuildInfo.cmake")

function(kestro_add_build_info target)
    set(folder "${CMAKE_CURRENT_BINARY_DIR}/${target}_build_info")
    set(header "${folder}/KestroBuildInfo.h")
    file(MAKE_DIRECTORY "${folder}")

    # A target runs on every build; the header is its by-product, rewritten only on a change, so
    # Ninja (restat) and Make recompile its includers only then.
    add_custom_target(${target}_build_info
        COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}" "-DOUTPUT=${header}"
                -P "${_kestro_build_info_script}"
        BYPRODUCTS "${header}"
        COMMENT "Checking the build identifier"
        VERBATIM)
    add_dependencies(${target} ${target}_build_info)
    target_include_directories(${target} PRIVATE "${folder}")
endfunction()
