#pragma once
// What only tests may reach of a class: the class names
// TestSeam<itself> its friend, and tests/mock/TestSeams.h alone defines
// it. Production code never does, so nothing but tests uses the seam.

template <class T> struct TestSeam;
