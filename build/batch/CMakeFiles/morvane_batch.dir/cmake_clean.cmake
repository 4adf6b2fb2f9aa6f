file(REMOVE_RECURSE
  "CMakeFiles/morvane_batch_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/morvane_batch_autogen.dir/ParseCache.txt"
  "morvane_batch_autogen"
  "CMakeFiles/morvane_batch.dir/BatchStubs.cpp.o"
  "CMakeFiles/morvane_batch.dir/BatchStubs.cpp.o.d"
  "CMakeFiles/morvane_batch.dir/morvane_batch_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/morvane_batch.dir/morvane_batch_autogen/mocs_compilation.cpp.o.d"
  "libmorvane_batch.a"
  "libmorvane_batch.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane_batch.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
