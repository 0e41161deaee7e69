#pragma once

#include "FakeCloudService.h"

// Starts the local cloud service and points the program's service hosts and trusted
// authorities at it, as the environment variables do for the real program.
class CloudFixture
{
public:
    CloudFixture();

    FakeCloudService service;
    FakeCloudService untrusted;

    void useUntrustedAccountHost(bool untrustedHost);
};
