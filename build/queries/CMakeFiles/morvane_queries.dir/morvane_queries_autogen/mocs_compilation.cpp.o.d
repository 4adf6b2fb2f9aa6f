queries/CMakeFiles/morvane_queries.dir/morvane_queries_autogen/mocs_compilation.cpp.o: \
 /work/main/build/queries/morvane_queries_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
