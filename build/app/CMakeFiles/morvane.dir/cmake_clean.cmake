file(REMOVE_RECURSE
  "../morvane"
  "../morvane.pdb"
  "CMakeFiles/morvane_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/morvane_autogen.dir/ParseCache.txt"
  "morvane_autogen"
  "CMakeFiles/morvane.dir/main.cpp.o"
  "CMakeFiles/morvane.dir/main.cpp.o.d"
  "CMakeFiles/morvane.dir/morvane_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/morvane.dir/morvane_autogen/mocs_compilation.cpp.o.d"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
