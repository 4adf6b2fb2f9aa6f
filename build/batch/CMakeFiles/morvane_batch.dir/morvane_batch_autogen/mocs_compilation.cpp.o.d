batch/CMakeFiles/morvane_batch.dir/morvane_batch_autogen/mocs_compilation.cpp.o: \
 /work/main/build/batch/morvane_batch_autogen/mocs_compilation.cpp \
 /usr/include/stdc-predef.h
