// The identity of this build of the command line: the version and the
// source revision it was configured from (see cmake/QfBuildIdentity.cmake),
// e.g. "0.2.0 git 4a9ae0d1b2c3". Printed by --version; part of the
// --if-changed digest.
#pragma once

const char* buildIdentity();
