file(REMOVE_RECURSE
  "CMakeFiles/morvane_fetch_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/morvane_fetch_autogen.dir/ParseCache.txt"
  "morvane_fetch_autogen"
  "CMakeFiles/morvane_fetch.dir/Charset.cpp.o"
  "CMakeFiles/morvane_fetch.dir/Charset.cpp.o.d"
  "CMakeFiles/morvane_fetch.dir/HTTPPage2.cpp.o"
  "CMakeFiles/morvane_fetch.dir/HTTPPage2.cpp.o.d"
  "CMakeFiles/morvane_fetch.dir/TextFile.cpp.o"
  "CMakeFiles/morvane_fetch.dir/TextFile.cpp.o.d"
  "CMakeFiles/morvane_fetch.dir/TextNumbers.cpp.o"
  "CMakeFiles/morvane_fetch.dir/TextNumbers.cpp.o.d"
  "CMakeFiles/morvane_fetch.dir/XTimer.cpp.o"
  "CMakeFiles/morvane_fetch.dir/XTimer.cpp.o.d"
  "CMakeFiles/morvane_fetch.dir/XTimerSupport.cpp.o"
  "CMakeFiles/morvane_fetch.dir/XTimerSupport.cpp.o.d"
  "CMakeFiles/morvane_fetch.dir/morvane_fetch_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/morvane_fetch.dir/morvane_fetch_autogen/mocs_compilation.cpp.o.d"
  "libmorvane_fetch.a"
  "libmorvane_fetch.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane_fetch.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
