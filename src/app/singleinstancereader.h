// What the running reader does with a book a later start handed over.
#pragma once

class CLeafturnerApp;
class CMainFrame;
class ReaderInstance;

// The frame comes to the front (out of the tray or minimised state) and opens the book, asking
// about unsaved edits first. Also releases requests held since start-up.
void ConnectReaderInstance(ReaderInstance& instance, CLeafturnerApp& app);
void BringToFront(CMainFrame* frame);
