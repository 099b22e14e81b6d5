#pragma once
// Start-up: screen saver off, the main window loaded (Form_Load) and shown, the display woken.

#include <QString>

class frmPelto;

void Main(frmPelto& window, const QString& commandLine);
// The arguments after the program name joined by single blanks: one file path. Several
// arguments that name no file together but whose first is a file: the first.
QString CommandLine(int argc, char** argv);
