
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/fetch/Charset.cpp" "fetch/CMakeFiles/morvane_fetch.dir/Charset.cpp.o" "gcc" "fetch/CMakeFiles/morvane_fetch.dir/Charset.cpp.o.d"
  "/work/main/fetch/HTTPPage2.cpp" "fetch/CMakeFiles/morvane_fetch.dir/HTTPPage2.cpp.o" "gcc" "fetch/CMakeFiles/morvane_fetch.dir/HTTPPage2.cpp.o.d"
  "/work/main/fetch/TextFile.cpp" "fetch/CMakeFiles/morvane_fetch.dir/TextFile.cpp.o" "gcc" "fetch/CMakeFiles/morvane_fetch.dir/TextFile.cpp.o.d"
  "/work/main/fetch/TextNumbers.cpp" "fetch/CMakeFiles/morvane_fetch.dir/TextNumbers.cpp.o" "gcc" "fetch/CMakeFiles/morvane_fetch.dir/TextNumbers.cpp.o.d"
  "/work/main/fetch/XTimer.cpp" "fetch/CMakeFiles/morvane_fetch.dir/XTimer.cpp.o" "gcc" "fetch/CMakeFiles/morvane_fetch.dir/XTimer.cpp.o.d"
  "/work/main/fetch/XTimerSupport.cpp" "fetch/CMakeFiles/morvane_fetch.dir/XTimerSupport.cpp.o" "gcc" "fetch/CMakeFiles/morvane_fetch.dir/XTimerSupport.cpp.o.d"
  "/work/main/build/fetch/morvane_fetch_autogen/mocs_compilation.cpp" "fetch/CMakeFiles/morvane_fetch.dir/morvane_fetch_autogen/mocs_compilation.cpp.o" "gcc" "fetch/CMakeFiles/morvane_fetch.dir/morvane_fetch_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
