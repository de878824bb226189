# The Windows form of the plug-in library, applied to the Quorvel target: a DLL
# named Quorvel.aex that exports EntryPointFunc alone (host/Quorvel.def), carries
# the PiPL as its PIPL resource (compiled from the .rc that host/ generates) and
# imports only system DLLs: the C++ and GCC runtimes and winpthread are linked
# in statically; debugging symbols are stripped. Included after the target is made.
set(QV_PIPL_RC ${CMAKE_BINARY_DIR}/generated/Quorvel_PiPL.rc)
set_source_files_properties(${QV_PIPL_RC} PROPERTIES GENERATED TRUE)
target_sources(Quorvel PRIVATE ${QV_PIPL_RC} ${CMAKE_SOURCE_DIR}/host/Quorvel.def)
if(NOT MSVC)  # MSVC links its runtime as the system's and takes the .def as it is
    target_link_options(Quorvel PRIVATE -static-libgcc -static-libstdc++ -static -Wl,--no-undefined -s)
endif()
