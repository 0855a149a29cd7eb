// Ctrl-C while the installer works: SIGINT and SIGTERM become a byte on a pipe that the terminal
// front-end watches, so that an interrupted install is rolled back like a cancelled one instead of
// leaving half its files behind. The handlers do not restart system calls: a read waiting at a
// prompt ends as if the input had ended, and the program ends without doing what it asked about.
#pragma once

class InterruptWatch {
  public:
    // Installs the handlers; FatalExep when the pipe cannot be made. One watch at a time.
    InterruptWatch();
    // Restores the handlers there were before.
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Readable once an interrupt has come.
    int Fd() const { return read_; }

  private:
    int read_ = -1;
    int write_ = -1;
};

// The watch of a program's main, made at the first call. It stands until the process has ended: a
// second Ctrl-C while the program ends, its last lines not yet written out, is heard like the
// first instead of ending the program by the signal.
InterruptWatch& ProgramInterruptWatch();

// True when an interrupt has come since the last call; fd is a watch's Fd(). Never blocks.
bool TakeInterrupt(int fd);
