// How many file descriptors the process holds open, for tests that check that files are closed.
#pragma once

int OpenDescriptors();
