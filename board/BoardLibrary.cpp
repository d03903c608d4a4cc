// Keeps the Windows board library non-empty while its dialogs are being written.
