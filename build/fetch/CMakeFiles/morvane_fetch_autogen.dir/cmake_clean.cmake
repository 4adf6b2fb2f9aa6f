file(REMOVE_RECURSE
  "CMakeFiles/morvane_fetch_autogen"
  "morvane_fetch_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/morvane_fetch_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
