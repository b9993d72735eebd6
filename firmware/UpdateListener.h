#ifndef UPDATELISTENER_H
#define UPDATELISTENER_H

// What a firmware update tells whoever shows it: each status text as the step begins, and each
// position of the four-step bar. Called on the thread that runs the update.
class UpdateListener
{
public:
    virtual void notifyUpdateStatus(char const* text) = 0;
    virtual void notifyUpdateProgress(unsigned int position) = 0;

protected:
    ~UpdateListener() {}
};

#endif
