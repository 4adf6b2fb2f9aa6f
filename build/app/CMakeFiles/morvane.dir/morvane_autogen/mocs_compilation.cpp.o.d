app/CMakeFiles/morvane.dir/morvane_autogen/mocs_compilation.cpp.o: \
 /work/main/build/app/morvane_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
