# Writes the header that names what a program was built from: the project's
# version and the git commit of the source tree, with a mark when the tree
# has changes no commit holds. Run at every build (cmake -P), so that the
# commit is the one built, not the one configured; the header is rewritten
# only when its text changes. A tree without git (a source archive) names no
# commit. Nothing of the build folder or the time goes in: one commit gives
# the same header wherever and whenever it is built.
#   cmake -DSOURCE_DIR=<tree> -DVERSION=<x.y.z.w> -DOUTPUT=<header> -P SourceVersion.cmake
set(commit "")
set(changed 0)
find_program(git_program git)
if(git_program)
    execute_process(COMMAND ${git_program} -C ${SOURCE_DIR} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE result ERROR_QUIET)
    file(REAL_PATH "${SOURCE_DIR}" source)
    if(result EQUAL 0 AND top)
        file(REAL_PATH "${top}" top)
    endif()
    # Only the tree's own repository: a source archive unpacked inside
    # another repository is no build of that one's commit.
    if(result EQUAL 0 AND top STREQUAL source)
        execute_process(COMMAND ${git_program} -C ${SOURCE_DIR} rev-parse -q --verify HEAD
                        OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        execute_process(COMMAND ${git_program} -C ${SOURCE_DIR} status --porcelain
                        OUTPUT_VARIABLE status ERROR_QUIET)
        if(commit AND status)
            set(changed 1)
        endif()
    endif()
endif()
set(text "// Written by cmake/SourceVersion.cmake at each build.
#define SETUP_VERSION_TEXT \"${VERSION}\"
#define SETUP_SOURCE_COMMIT \"${commit}\"
#define SETUP_SOURCE_CHANGED ${changed}
")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
    file(WRITE ${OUTPUT} "${text}")
endif()
