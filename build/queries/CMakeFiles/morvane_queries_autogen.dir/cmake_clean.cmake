file(REMOVE_RECURSE
  "CMakeFiles/morvane_queries_autogen"
  "morvane_queries_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/morvane_queries_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
