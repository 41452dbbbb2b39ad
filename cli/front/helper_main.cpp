// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the helper programs (mirelune-serve, mirelune-room): mirelune-cli's own, with the
// code of their commands linked in (cli/helper_program.h).
extern "C" int MireluneCliMain(int argc, char** argv);

int main(int argc, char** argv) { return MireluneCliMain(argc, argv); }
