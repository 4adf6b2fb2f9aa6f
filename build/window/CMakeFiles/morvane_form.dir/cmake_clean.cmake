file(REMOVE_RECURSE
  "CMakeFiles/morvane_form_autogen.dir/AutogenUsed.txt"
  "CMakeFiles/morvane_form_autogen.dir/ParseCache.txt"
  "morvane_form_autogen"
  "CMakeFiles/morvane_form.dir/Config.cpp.o"
  "CMakeFiles/morvane_form.dir/Config.cpp.o.d"
  "CMakeFiles/morvane_form.dir/Controls.cpp.o"
  "CMakeFiles/morvane_form.dir/Controls.cpp.o.d"
  "CMakeFiles/morvane_form.dir/Form1.cpp.o"
  "CMakeFiles/morvane_form.dir/Form1.cpp.o.d"
  "CMakeFiles/morvane_form.dir/Platform.cpp.o"
  "CMakeFiles/morvane_form.dir/Platform.cpp.o.d"
  "CMakeFiles/morvane_form.dir/morvane_form_autogen/mocs_compilation.cpp.o"
  "CMakeFiles/morvane_form.dir/morvane_form_autogen/mocs_compilation.cpp.o.d"
  "libmorvane_form.a"
  "libmorvane_form.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/morvane_form.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
