// A shared library stamped with another release's version: the component
// check must call it the wrong version.
extern "C" int QxWrongVersionLibrary() { return 14; }
