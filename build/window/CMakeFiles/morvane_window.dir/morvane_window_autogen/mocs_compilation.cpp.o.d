window/CMakeFiles/morvane_window.dir/morvane_window_autogen/mocs_compilation.cpp.o: \
 /work/main/build/window/morvane_window_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
