#pragma once

/** Starts the framework's GUI side for the benchmarks that paint or open the
    editor, once per run; the benchmarks' own main shuts it down after the
    run (BenchMain.cpp). */
void startGui();
