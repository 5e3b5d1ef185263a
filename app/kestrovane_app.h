#pragma once

// The application: prepares the process, chooses the language, lets one instance run and
// runs the main window until it closes.
class CKestrovaneApp {
public:
    // Always false: the program ends when it returns.
    bool InitInstance();
};
