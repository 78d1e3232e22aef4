# The kernel tests: their static programs, built without sanitizers in a
# build of their own below this one (vm/), run inside the distribution's
# kernel in QEMU by scripts/vmtest, all in one boot. A new program is one
# tavrel_vm_program() in tests/vm/CMakeLists.txt.
include(ExternalProject)
set(TAVREL_VM_BUILD ${CMAKE_BINARY_DIR}/vm)
ExternalProject_Add(vm_programs
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${TAVREL_VM_BUILD}
    CMAKE_ARGS
        -DCMAKE_BUILD_TYPE=Release
        -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
        -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
        -DTAVREL_VM_PROGRAMS=ON
        -DTAVREL_GUI=OFF
        -DTAVREL_TESTS=OFF
        -DTAVREL_BENCH=OFF
        -DTAVREL_WERROR=${TAVREL_WERROR}
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${TAVREL_VM_BUILD} --target vm_programs
    INSTALL_COMMAND ""
    # Its own build tool decides what changed.
    BUILD_ALWAYS ON
)

add_test(NAME kernel_vm_tests
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/vmtest --build ${TAVREL_VM_BUILD}
                 --cache ${CMAKE_BINARY_DIR}/vmtest-cache)
# One VM at a time (they share the kernel cache), and none beside the tests
# that time the desktop: an emulated machine takes a whole core.
set_tests_properties(kernel_vm_tests PROPERTIES LABELS vm TIMEOUT 600
                     RESOURCE_LOCK "vm;x11_desktop")
