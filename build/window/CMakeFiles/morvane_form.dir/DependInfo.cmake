
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/window/Config.cpp" "window/CMakeFiles/morvane_form.dir/Config.cpp.o" "gcc" "window/CMakeFiles/morvane_form.dir/Config.cpp.o.d"
  "/work/main/window/Controls.cpp" "window/CMakeFiles/morvane_form.dir/Controls.cpp.o" "gcc" "window/CMakeFiles/morvane_form.dir/Controls.cpp.o.d"
  "/work/main/window/Form1.cpp" "window/CMakeFiles/morvane_form.dir/Form1.cpp.o" "gcc" "window/CMakeFiles/morvane_form.dir/Form1.cpp.o.d"
  "/work/main/window/Platform.cpp" "window/CMakeFiles/morvane_form.dir/Platform.cpp.o" "gcc" "window/CMakeFiles/morvane_form.dir/Platform.cpp.o.d"
  "/work/main/build/window/morvane_form_autogen/mocs_compilation.cpp" "window/CMakeFiles/morvane_form.dir/morvane_form_autogen/mocs_compilation.cpp.o" "gcc" "window/CMakeFiles/morvane_form.dir/morvane_form_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/fetch/CMakeFiles/morvane_fetch.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
