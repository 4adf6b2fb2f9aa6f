file(REMOVE_RECURSE
  "CMakeFiles/morvane_queries_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/morvane_queries_autogen.dir/ParseCache.txt"
  "morvane_queries_autogen"
  "CMakeFiles/morvane_queries.dir/KeywordPages.cpp.o"
  "CMakeFiles/morvane_queries.dir/KeywordPages.cpp.o.d"
  "CMakeFiles/morvane_queries.dir/Scraping.cpp.o"
  "CMakeFiles/morvane_queries.dir/Scraping.cpp.o.d"
  "CMakeFiles/morvane_queries.dir/SearchCounts.cpp.o"
  "CMakeFiles/morvane_queries.dir/SearchCounts.cpp.o.d"
  "CMakeFiles/morvane_queries.dir/SiteOverview.cpp.o"
  "CMakeFiles/morvane_queries.dir/SiteOverview.cpp.o.d"
  "CMakeFiles/morvane_queries.dir/UpdateNotice.cpp.o"
  "CMakeFiles/morvane_queries.dir/UpdateNotice.cpp.o.d"
  "CMakeFiles/morvane_queries.dir/morvane_queries_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/morvane_queries.dir/morvane_queries_autogen/mocs_compilation.cpp.o.d"
  "libmorvane_queries.a"
  "libmorvane_queries.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane_queries.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
