// PLIM: a step sequencer and synthesizer played with a game pad.
#include "app/platform.h"

int main(int argc, char** argv) { return run_plim(argc, argv); }
