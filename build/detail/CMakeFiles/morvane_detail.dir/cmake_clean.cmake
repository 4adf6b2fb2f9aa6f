file(REMOVE_RECURSE
  "CMakeFiles/morvane_detail_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/morvane_detail_autogen.dir/ParseCache.txt"
  "morvane_detail_autogen"
  "CMakeFiles/morvane_detail.dir/DetailStubs.cpp.o"
  "CMakeFiles/morvane_detail.dir/DetailStubs.cpp.o.d"
  "CMakeFiles/morvane_detail.dir/morvane_detail_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/morvane_detail.dir/morvane_detail_autogen/mocs_compilation.cpp.o.d"
  "libmorvane_detail.a"
  "libmorvane_detail.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane_detail.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
