
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/app/main.cpp" "app/CMakeFiles/morvane.dir/main.cpp.o" "gcc" "app/CMakeFiles/morvane.dir/main.cpp.o.d"
  "/work/main/build/app/morvane_autogen/mocs_compilation.cpp" "app/CMakeFiles/morvane.dir/morvane_autogen/mocs_compilation.cpp.o" "gcc" "app/CMakeFiles/morvane.dir/morvane_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/window/CMakeFiles/morvane_window.dir/DependInfo.cmake"
  "/work/main/build/batch/CMakeFiles/morvane_batch.dir/DependInfo.cmake"
  "/work/main/build/detail/CMakeFiles/morvane_detail.dir/DependInfo.cmake"
  "/work/main/build/queries/CMakeFiles/morvane_queries.dir/DependInfo.cmake"
  "/work/main/build/window/CMakeFiles/morvane_form.dir/DependInfo.cmake"
  "/work/main/build/fetch/CMakeFiles/morvane_fetch.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
