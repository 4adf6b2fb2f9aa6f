detail/CMakeFiles/morvane_detail.dir/morvane_detail_autogen/mocs_compilation.cpp.o: \
 /work/main/build/detail/morvane_detail_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
