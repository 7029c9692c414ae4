# Where `cmake --install` puts the program's files (GNU layout under any prefix), and where the
# program looks for them at run time: relative to its own executable, so the same build runs
# from a system prefix, from the Debian package and from the portable archive wherever it was
# unpacked. No prefix is compiled in.
include(GNUInstallDirs)

# The name of the program's own folders under the library and data directories, and of its
# packages.
set(ARLO_PACKAGE_NAME arlo-mi)
# The desktop entry's, icon's and AppStream component's name.
set(ARLO_APP_ID org.arlomi.ArloMi)

# The page view's engine library: private to the program, so in a folder of its own.
set(ARLO_INSTALL_ENGINE_DIR "${CMAKE_INSTALL_LIBDIR}/${ARLO_PACKAGE_NAME}")
# Data that is the same on every machine: the Flash emulator's folder.
set(ARLO_INSTALL_DATA_DIR "${CMAKE_INSTALL_DATADIR}/${ARLO_PACKAGE_NAME}")

# Both as seen from the executable's folder, e.g. "../lib/arlo-mi".
file(RELATIVE_PATH ARLO_ENGINE_DIR_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
  "${CMAKE_INSTALL_FULL_LIBDIR}/${ARLO_PACKAGE_NAME}")
file(RELATIVE_PATH ARLO_DATA_DIR_FROM_BIN "${CMAKE_INSTALL_FULL_BINDIR}"
  "${CMAKE_INSTALL_FULL_DATADIR}/${ARLO_PACKAGE_NAME}")
