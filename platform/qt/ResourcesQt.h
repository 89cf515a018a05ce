// The resource reader over Qt resources, for programs that compile resources in.
// The platform layer itself knows no resource until a program installs this one.
#pragma once

// Makes Get1Resource read the Qt resource ":/resources/<type>/<id>" from now
// on, the type as its four characters (e.g. ":/resources/open/128").
void InstallQtResources();
