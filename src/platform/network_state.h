#pragma once

// Whether the machine has a network connection.
class NetworkState {
public:
    virtual ~NetworkState() = default;
    virtual bool NetworkAlive() const = 0;
};

// True when an interface other than loopback is up and running.
class InterfaceNetworkState final : public NetworkState {
public:
    bool NetworkAlive() const override;
};
