file(REMOVE_RECURSE
  "CMakeFiles/morvane_batch_autogen"
  "morvane_batch_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/morvane_batch_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
