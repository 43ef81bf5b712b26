#pragma once

// The standard input, output and error of the program.
class CStandardDescriptors {
public:
    // Opens the null device on each of them that is closed, so that no file
    // or port the program opens later takes its place: what the program
    // prints for its user would go into that file or to that device. Called
    // first thing in main(). False when one could not be opened; the program
    // must not go on then.
    static bool OpenMissing();
};
