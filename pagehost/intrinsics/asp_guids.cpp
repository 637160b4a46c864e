// Gives IID_IRequest, IID_IResponse and the other identities of asptlb.h their storage;
// mingw's libraries do not carry them.
#include <windows.h>
#include <initguid.h>
#include <asptlb.h>
