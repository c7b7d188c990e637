# The build's identity, fixed when CMake configures: the project version and
# the source revision ("0.2.0 git 4a9ae0d1b2c3"), or, in a tree without git
# (a source tarball), the version and a SHA-256 over every source file's path
# and contents ("0.2.0 sources 5f1c0e2a9b3d"). The command line prints it for
# --version and mixes it into the --if-changed digest, so a tool built from
# other sources never takes earlier outputs for its own.
#
# A new commit makes CMake configure again (the worktree's HEAD and its
# reflog are configure dependencies). Uncommitted edits do not change the
# identity; bump the project version when a change alters outputs.
#
# Sets QF_BUILD_IDENTITY.
set(QF_BUILD_IDENTITY "")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-parse --short=12 HEAD
                  OUTPUT_VARIABLE qf_revision OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE qf_git_status ERROR_QUIET)
  if(qf_git_status EQUAL 0 AND qf_revision)
    set(QF_BUILD_IDENTITY "${PROJECT_VERSION} git ${qf_revision}")
    foreach(qf_git_file HEAD logs/HEAD)
      execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-parse --path-format=absolute
                              --git-path ${qf_git_file}
                      OUTPUT_VARIABLE qf_git_path OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(qf_git_path AND EXISTS ${qf_git_path})
        set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${qf_git_path})
      endif()
    endforeach()
  endif()
endif()
if(NOT QF_BUILD_IDENTITY)
  file(GLOB_RECURSE qf_sources LIST_DIRECTORIES false RELATIVE ${PROJECT_SOURCE_DIR}
       ${PROJECT_SOURCE_DIR}/CMakeLists.txt ${PROJECT_SOURCE_DIR}/cmake/*
       ${PROJECT_SOURCE_DIR}/*.cpp ${PROJECT_SOURCE_DIR}/*.h ${PROJECT_SOURCE_DIR}/*.txt ${PROJECT_SOURCE_DIR}/*.xml)
  list(FILTER qf_sources EXCLUDE REGEX "^build/")
  list(SORT qf_sources)
  set(qf_all "")
  foreach(qf_source ${qf_sources})
    file(SHA256 ${PROJECT_SOURCE_DIR}/${qf_source} qf_hash)
    string(APPEND qf_all "${qf_source} ${qf_hash}\n")
  endforeach()
  string(SHA256 qf_hash "${qf_all}")
  string(SUBSTRING ${qf_hash} 0 12 qf_hash)
  set(QF_BUILD_IDENTITY "${PROJECT_VERSION} sources ${qf_hash}")
endif()
