// kestrune-com-tests.exe: a COM client of Kestrune.dll, run under Wine. The prefix
// presents this program with Windows NT 4.0, so the component looks for its object
// context in mtxex.dll, which must be loaded before the first object is created.
#include <objbase.h>

#include <gtest/gtest.h>

#include "com_test_support.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    kestrune::test::Component component;
    const std::string dll = kestrune::test::ExeDirectory() + "..\\..\\server\\Kestrune.dll";
    if (!kestrune::test::LoadComponent(dll, component)) return 2;
    kestrune::test::SetTheComponent(component);
    // Tests that create objects by ProgID need the registration; the suite's own
    // registration tests restore it when they are done.
    if (FAILED(component.registerServer())) return 2;
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
