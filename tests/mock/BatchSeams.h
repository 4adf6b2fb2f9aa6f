#pragma once
// What tests reach of a batch run that its users never need: its rest
// factor and whether its watcher runs.

#include "BatchRun.h"

template <> struct TestSeam<BatchRun>
{
    static int restFactor(const BatchRun &run) { return run.restFactor(); }
    static bool watching(const BatchRun &run) { return run.watching(); }
};
