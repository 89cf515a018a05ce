// The dialog provider over Qt file dialogs, for programs with a user interface.
// The platform layer itself shows no dialog until a program installs this one.
#pragma once

// Makes Qt file dialogs answer the open and save calls from now on. Where no
// QApplication exists they answer as if the user cancelled.
void InstallQtDialogProvider();
