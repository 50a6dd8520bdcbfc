#pragma once
// Registration of a module's classes from its source file; runs when the host loads the library.
//
//   FD_REGISTER_FORM(TPersonForm, &PersonForm)      // stand-alone window with a form variable
//   FD_REGISTER_FORM(TZaehlringForm, nullptr)       // a settings page without one
//   FD_REGISTER_REPORT(TNamenslisteForm, &NamenslisteForm)
//
// The class provides `static void Describe(TModuleInfo &)` with its manifest values.

#include "host/shellware/modinfo.h"

#define FD_REGISTER_FORM(Class, Var) \
    static const bool fd_registered_##Class = Modinfo::RegisterModuleForm<Class>(Var)
#define FD_REGISTER_REPORT(Class, Var) \
    static const bool fd_registered_##Class = Modinfo::RegisterModuleReport<Class>(Var)
