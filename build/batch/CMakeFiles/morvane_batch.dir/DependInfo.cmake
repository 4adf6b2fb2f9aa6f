
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/batch/BatchStubs.cpp" "batch/CMakeFiles/morvane_batch.dir/BatchStubs.cpp.o" "gcc" "batch/CMakeFiles/morvane_batch.dir/BatchStubs.cpp.o.d"
  "/work/main/build/batch/morvane_batch_autogen/mocs_compilation.cpp" "batch/CMakeFiles/morvane_batch.dir/morvane_batch_autogen/mocs_compilation.cpp.o" "gcc" "batch/CMakeFiles/morvane_batch.dir/morvane_batch_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/queries/CMakeFiles/morvane_queries.dir/DependInfo.cmake"
  "/work/main/build/window/CMakeFiles/morvane_form.dir/DependInfo.cmake"
  "/work/main/build/fetch/CMakeFiles/morvane_fetch.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
