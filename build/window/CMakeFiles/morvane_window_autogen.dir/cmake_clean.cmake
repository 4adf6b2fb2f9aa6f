file(REMOVE_RECURSE
  "CMakeFiles/morvane_window_autogen"
  "morvane_window_autogen/mocs_compilation.cpp"
)

# Per-language clean rules from dependency scanning.
foreach(lang )
  include(CMakeFiles/morvane_window_autogen.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
