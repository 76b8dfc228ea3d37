#include "runtime/module.h"

#include "runtime/class_record.h"
#include "runtime/exceptions.h"
#include "runtime/list.h"
#include "runtime/map.h"
#include "runtime/string.h"

namespace vtl {

void InitRuntime() {
  static bool done = false;
  if (!BeginModule(done)) return;
  ObjectClassRecord();
  ClassBuilder<StringObject, Object>("String").Register();
  ClassBuilder<ArrayBase, Object>("Array").Register();
  // The exception classes, in their fixed order.
  ClassBuilder<TQuornException, Object>("TQuornException").Register();
  ClassBuilder<TNullObjectException, TQuornException>("TNullObjectException").Register();
  ClassBuilder<TNullMethodException, TQuornException>("TNullMethodException").Register();
  ClassBuilder<TNullFunctionException, TQuornException>("TNullFunctionException").Register();
  ClassBuilder<TArrayBoundsException, TQuornException>("TArrayBoundsException").Register();
  ClassBuilder<TOutOfDataException, TQuornException>("TOutOfDataException").Register();
  ClassBuilder<TRuntimeException, TQuornException>("TRuntimeException")
      .Field<&TRuntimeException::error>("error")
      .Function<&TRuntimeException::Create>("Create")
      .Register();
  ClassBuilder<TData, Object>("TData").Register();
  ClassBuilder<TDataType, Object>("TDataType").Field<&TDataType::_succ>("_succ").Register();
  ClassBuilder<TLink, Object>("TLink")
      .Field<&TLink::_value>("_value")
      .Field<&TLink::_succ>("_succ")
      .Field<&TLink::_pred>("_pred")
      .Method<&TLink::Value>("Value")
      .Method<&TLink::NextLink>("NextLink")
      .Method<&TLink::PrevLink>("PrevLink")
      .Method<&TLink::Remove>("Remove")
      .Register();
  ClassBuilder<TListEnum, Object>("TListEnum")
      .Field<&TListEnum::_link>("_link")
      .Method<&TListEnum::HasNext>("HasNext")
      .Method<&TListEnum::NextObject>("NextObject")
      .Register();
  ClassBuilder<TList, TData>("TList")
      .Field<&TList::_head>("_head")
      .Method<&TList::Clear>("Clear")
      .Method<&TList::IsEmpty>("IsEmpty")
      .Method<&TList::Contains>("Contains")
      .Method<&TList::AddFirst>("AddFirst")
      .Method<&TList::AddLast>("AddLast")
      .Method<&TList::First>("First")
      .Method<&TList::Last>("Last")
      .Method<&TList::RemoveFirst>("RemoveFirst")
      .Method<&TList::RemoveLast>("RemoveLast")
      .Method<&TList::FirstLink>("FirstLink")
      .Method<&TList::LastLink>("LastLink")
      .Method<&TList::InsertBeforeLink>("InsertBeforeLink")
      .Method<&TList::InsertAfterLink>("InsertAfterLink")
      .Method<&TList::FindLink>("FindLink")
      .Method<&TList::ValueAtIndex>("ValueAtIndex")
      .Method<&TList::Count>("Count")
      .Method<&TList::Remove>("Remove")
      .Method<&TList::Swap>("Swap")
      .Method<&TList::Copy>("Copy")
      .Method<&TList::Reverse>("Reverse")
      .Method<&TList::Reversed>("Reversed")
      .Method<&TList::ObjectEnumerator>("ObjectEnumerator")
      .Method<&TList::ToArray>("ToArray")
      .Function<&TList::FromArray>("FromArray")
      .Register();
  ClassBuilder<TKeyValue, Object>("TKeyValue")
      .Field<&TKeyValue::_key>("_key")
      .Field<&TKeyValue::_value>("_value")
      .Method<&TKeyValue::Key>("Key")
      .Method<&TKeyValue::Value>("Value")
      .Register();
  ClassBuilder<TNode, TKeyValue>("TNode")
      .Field<&TNode::_color>("_color")
      .Field<&TNode::_parent>("_parent")
      .Field<&TNode::_left>("_left")
      .Field<&TNode::_right>("_right")
      .Method<&TNode::NextNode>("NextNode")
      .Method<&TNode::PrevNode>("PrevNode")
      .Method<&TNode::Clear>("Clear")
      .Method<&TNode::Copy>("Copy")
      .Constant("RED", TNode::RED)
      .Constant("BLACK", TNode::BLACK)
      .Register();
  ClassBuilder<TNodeEnumerator, Object>("TNodeEnumerator")
      .Field<&TNodeEnumerator::_node>("_node")
      .Method<&TNodeEnumerator::HasNext>("HasNext")
      .Method<&TNodeEnumerator::NextObject>("NextObject")
      .Register();
  ClassBuilder<TKeyEnumerator, TNodeEnumerator>("TKeyEnumerator").Register();
  ClassBuilder<TValueEnumerator, TNodeEnumerator>("TValueEnumerator").Register();
  ClassBuilder<TMapEnumerator, Object>("TMapEnumerator")
      .Field<&TMapEnumerator::_enumerator>("_enumerator")
      .Method<&TMapEnumerator::ObjectEnumerator>("ObjectEnumerator")
      .Register();
  ClassBuilder<TMap, Object>("TMap")
      .Field<&TMap::_root>("_root")
      .Method<&TMap::Clear>("Clear")
      .Method<&TMap::IsEmpty>("IsEmpty")
      .Method<&TMap::Count>("Count")
      .Method<&TMap::Insert>("Insert")
      .Method<&TMap::Contains>("Contains")
      .Method<&TMap::ValueForKey>("ValueForKey")
      .Method<&TMap::Remove>("Remove")
      .Method<&TMap::Keys>("Keys")
      .Method<&TMap::Values>("Values")
      .Method<&TMap::Copy>("Copy")
      .Method<&TMap::ObjectEnumerator>("ObjectEnumerator")
      .Register();
}

}  // namespace vtl
