
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/queries/KeywordPages.cpp" "queries/CMakeFiles/morvane_queries.dir/KeywordPages.cpp.o" "gcc" "queries/CMakeFiles/morvane_queries.dir/KeywordPages.cpp.o.d"
  "/work/main/queries/Scraping.cpp" "queries/CMakeFiles/morvane_queries.dir/Scraping.cpp.o" "gcc" "queries/CMakeFiles/morvane_queries.dir/Scraping.cpp.o.d"
  "/work/main/queries/SearchCounts.cpp" "queries/CMakeFiles/morvane_queries.dir/SearchCounts.cpp.o" "gcc" "queries/CMakeFiles/morvane_queries.dir/SearchCounts.cpp.o.d"
  "/work/main/queries/SiteOverview.cpp" "queries/CMakeFiles/morvane_queries.dir/SiteOverview.cpp.o" "gcc" "queries/CMakeFiles/morvane_queries.dir/SiteOverview.cpp.o.d"
  "/work/main/queries/UpdateNotice.cpp" "queries/CMakeFiles/morvane_queries.dir/UpdateNotice.cpp.o" "gcc" "queries/CMakeFiles/morvane_queries.dir/UpdateNotice.cpp.o.d"
  "/work/main/build/queries/morvane_queries_autogen/mocs_compilation.cpp" "queries/CMakeFiles/morvane_queries.dir/morvane_queries_autogen/mocs_compilation.cpp.o" "gcc" "queries/CMakeFiles/morvane_queries.dir/morvane_queries_autogen/mocs_compilation.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/window/CMakeFiles/morvane_form.dir/DependInfo.cmake"
  "/work/main/build/fetch/CMakeFiles/morvane_fetch.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
