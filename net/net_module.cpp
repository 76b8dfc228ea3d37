#include "net/net.h"

#include "runtime/class_record.h"
#include "runtime/module.h"
#include "runtime/runtime.h"
#include "stream/stream.h"

namespace vtl {

namespace {

void RegisterSocketClasses() {
  ClassBuilder<TSocket, Object>("TSocket")
      .Field<&TSocket::_socket>("_socket")
      .Field<&TSocket::_autoClose>("_autoClose")
      .Field<&TSocket::_localIp>("_localIp")
      .Field<&TSocket::_localPort>("_localPort")
      .Field<&TSocket::_remoteIp>("_remoteIp")
      .Field<&TSocket::_remotePort>("_remotePort")
      .Method<&TSocket::Close>("Close")
      .Method<&TSocket::Connected>("Connected")
      .Method<&TSocket::Bind>("Bind")
      .Method<&TSocket::Connect>("Connect")
      .Method<&TSocket::Listen>("Listen")
      .Method<&TSocket::Accept>("Accept")
      .Method<&TSocket::ReadAvail>("ReadAvail")
      .Method<&TSocket::SetTCPNoDelay>("SetTCPNoDelay")
      .Method<&TSocket::Socket>("Socket")
      .Method<&TSocket::LocalIp>("LocalIp")
      .Method<&TSocket::LocalPort>("LocalPort")
      .Method<&TSocket::RemoteIp>("RemoteIp")
      .Method<&TSocket::RemotePort>("RemotePort")
      .Method<&TSocket::UpdateLocalName>("UpdateLocalName")
      .Method<&TSocket::UpdateRemoteName>("UpdateRemoteName")
      .Function<&TSocket::Create>("Create")
      .Function<&TSocket::CreateUDP>("CreateUDP")
      .Function<&TSocket::CreateTCP>("CreateTCP")
      .Register();
  ClassBuilder<TSocketException, Object>("TSocketException").Register();
  ClassBuilder<TSocketStream, TStream>("TSocketStream")
      .Field<&TSocketStream::_socket>("_socket")
      .Field<&TSocketStream::_autoClose>("_autoClose")
      .Method<&TSocketStream::Socket>("Socket")
      .Function<&TSocketStream::Create>("Create")
      .Function<&TSocketStream::CreateClient>("CreateClient")
      .Register();
  ClassBuilder<TSocketStreamFactory, TStreamFactory>("TSocketStreamFactory").Register();
  ClassBuilder<THTTPStreamFactory, TStreamFactory>("THTTPStreamFactory").Register();
  RegisterStreamFactory(New<TSocketStreamFactory>());
  RegisterStreamFactory(New<THTTPStreamFactory>());
}

}  // namespace

void InitGNet();  // gnet_module.cpp

void InitNet() {
  static bool done = false;
  if (!BeginModule(done)) return;
  InitRuntime();
  InitStream();
  RegisterSocketClasses();
  InitGNet();
}

}  // namespace vtl
