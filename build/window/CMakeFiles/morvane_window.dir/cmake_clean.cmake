file(REMOVE_RECURSE
  "CMakeFiles/morvane_window_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/morvane_window_autogen.dir/ParseCache.txt"
  "morvane_window_autogen"
  "CMakeFiles/morvane_window.dir/Form1Wiring.cpp.o"
  "CMakeFiles/morvane_window.dir/Form1Wiring.cpp.o.d"
  "CMakeFiles/morvane_window.dir/morvane_window_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/morvane_window.dir/morvane_window_autogen/mocs_compilation.cpp.o.d"
  "libmorvane_window.a"
  "libmorvane_window.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane_window.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
